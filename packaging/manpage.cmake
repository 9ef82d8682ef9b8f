# Turns a program's --help text into a manual page (roff), so the page says
# what the program itself says. Variables: HELP (the text's file), OUT (the
# page), PROGRAM, VERSION, SUMMARY (one line: what the program does).
file(READ "${HELP}" help)
string(REPLACE "\\" "\\e" help "${help}")
# A line that starts with a dot or an apostrophe would be a roff request.
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${PROGRAM}" title)
file(WRITE "${OUT}"
".TH ${title} 1 \"\" \"programador ${VERSION}\" \"Órdenes de usuario\"\n"
".SH NOMBRE\n"
"${PROGRAM} \\- ${SUMMARY}\n"
".SH DESCRIPCIÓN\n"
".nf\n"
"${help}"
".fi\n"
".SH VÉASE TAMBIÉN\n"
"El README del programa: uso del programador real, permisos de udev y ejemplos.\n")
