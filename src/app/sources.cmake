corvane_win(main_form.cpp)
corvane_win(shell_open.cpp)
