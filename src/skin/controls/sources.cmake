# Control skinning: the skinned-control base and the control families.
corvane_win(skin_control.cpp)
corvane_win(skin_buttons.cpp)
corvane_win(skin_checks.cpp)
corvane_win(skin_scrollbars.cpp)
corvane_win(skin_listview.cpp)
