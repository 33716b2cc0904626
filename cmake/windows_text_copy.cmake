# cmake -DIN=FILE -DOUT=FILE -P windows_text_copy.cmake: copies a UTF-8 text file as Notepad saves one:
# CR LF line ends, and a byte order mark first.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 mark)
file(WRITE "${OUT}" "${mark}${text}")
