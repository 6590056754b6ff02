corvane_portable(file_names.cpp) corvane_portable(progress_text.cpp) corvane_portable(rewrite.cpp)
    corvane_win(atomic_file.cpp) corvane_win(bind_status_callback.cpp) corvane_win(transfer.cpp)
