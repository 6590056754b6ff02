# Skin data: the store, its description, images. Portable code, no <windows.h>.
corvane_portable(
  colour.cpp
  image_utils.cpp
  lzh.cpp
  pixel_image.cpp
  quick_ini.cpp
  skin_reader.cpp
  skin_values.cpp
)
corvane_portable(skin_elements.cpp)
corvane_win(skin_bitmap.cpp)
corvane_win(skin_shared.cpp)
corvane_win(skin_data.cpp)
corvane_win(image_utils_win.cpp)
corvane_win(skin_manage.cpp)
