corvane_win(main_form.cpp)
corvane_win(shell_open.cpp)
corvane_portable(skin_file_check.cpp)
corvane_win(skin_choice.cpp)
