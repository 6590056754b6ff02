# Control skinning: the skinned-control base and the control families.
corvane_win(skin_control.cpp)
corvane_win(skin_buttons.cpp)
corvane_win(skin_checks.cpp)
corvane_win(skin_updown.cpp)
corvane_win(skin_progress.cpp)
corvane_win(skin_tabs.cpp)
