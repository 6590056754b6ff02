corvane_win(main_form.cpp)
