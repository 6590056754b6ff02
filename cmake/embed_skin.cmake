# Writes the main window's description with the product skin's "SkinStream" value in place of
# the empty one the source carries. -DFORM=in -DSTREAM=layer-1 bytes -DOUT=out
file(READ ${FORM} text)
file(READ ${STREAM} hex HEX)
string(TOUPPER "${hex}" hex)
string(REGEX REPLACE "([0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F])" "\\1\n      " hex "${hex}")
string(FIND "${text}" "SkinStream = {}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${FORM} has no empty SkinStream to fill")
endif()
string(REPLACE "SkinStream = {}" "SkinStream = {\n      ${hex}}" text "${text}")
file(WRITE ${OUT} "${text}")
