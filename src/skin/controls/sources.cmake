# Control skinning: the skinned-control base and the control families.
corvane_win(skin_control.cpp)
corvane_win(skin_buttons.cpp)
corvane_win(skin_checks.cpp)
corvane_win(skin_panels.cpp)
corvane_win(skin_statusbar.cpp)
corvane_win(skin_edits.cpp)
corvane_win(skin_combo.cpp)
corvane_win(skin_media.cpp)
