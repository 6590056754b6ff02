# Form skinning: frame, title buttons, menus, drawing primitives, control discovery.
corvane_portable(slice_geometry.cpp)
corvane_portable(region_runs.cpp)
corvane_win(primitives.cpp)
corvane_win(nc_objects.cpp)
corvane_win(win_skin_form.cpp)
corvane_win(control_discovery.cpp)
