# cmake -DIN=file -DOUT=file -P CompactXml.cmake
# Copies a skin or language file without the line breaks and indentation between its elements:
# the program reads every skin at start, and the indentation is a quarter of the page skin.
# Text inside elements (style sheets, language texts) is kept as it is.
file(READ "${IN}" text)
string(REGEX REPLACE ">[\r\n]+[ \t]*<" "><" text "${text}")
file(WRITE "${OUT}" "${text}")
