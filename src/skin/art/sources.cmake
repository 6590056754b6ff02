# The product skin's bitmaps and description, drawn from code (skins/generator writes them).
corvane_portable(app_icon.cpp raster.cpp skin_frame.cpp skin_controls.cpp skin_description.cpp product_skin.cpp review_sheet.cpp themes.cpp)
