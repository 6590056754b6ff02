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
