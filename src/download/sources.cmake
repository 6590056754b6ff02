corvane_portable(file_names.cpp)
corvane_portable(progress_text.cpp)
corvane_portable(rewrite.cpp)
