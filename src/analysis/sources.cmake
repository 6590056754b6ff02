corvane_portable(memo_text.cpp) corvane_portable(substring_index.cpp)
    corvane_portable(extraction.cpp) corvane_portable(conversion.cpp)
        corvane_win(regexp_service.cpp)
