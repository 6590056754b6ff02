corvane_portable(text_util.cpp)
corvane_win(win_text.cpp)
