# Turns a program's own texts into its manual page (roff): --help as the
# description, --version as the copyright, and, for the window programs, the
# Help window's document as a section of its own. Variables: PROGRAM, VERSION,
# SUMMARY (one line: what the program does), HELP and VERSION_TEXT (files),
# OUT (the page); DOCUMENT and DOCUMENT_TITLE optional.

# (CMake's "^" matches wherever a global replace goes on, so every line is
# found by the newline before it.)
function(escape_roff text out)
    string(REPLACE "\\" "\\e" text "\n${text}")
    # A line that starts with a dot or an apostrophe would be a roff request.
    string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "${text}")
    string(SUBSTRING "${text}" 1 -1 text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The Help document: "N. TITLE" lines become subsections, every other line a
# paragraph that the reader's terminal may fill.
function(document_as_roff text out)
    escape_roff("${text}" text)
    string(REGEX REPLACE "\n\n+" "\n" text "\n${text}")
    string(REGEX REPLACE "\n[0-9]+\\. ([^\n]*)" "\n.SS \\1" text "${text}")
    string(REGEX REPLACE "\n +" "\n" text "${text}")
    string(REGEX REPLACE "\n([^.\n])" "\n.PP\n\\1" text "${text}")
    string(SUBSTRING "${text}" 1 -1 text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(READ "${HELP}" help)
escape_roff("${help}" help)
file(READ "${VERSION_TEXT}" copyright)
# The first line (name and version) is in the page's header already.
string(FIND "${copyright}" "\n" end)
math(EXPR end "${end} + 1")
string(SUBSTRING "${copyright}" ${end} -1 copyright)
escape_roff("${copyright}" copyright)

set(document "")
if(DOCUMENT)
    file(READ "${DOCUMENT}" text)
    document_as_roff("${text}" text)
    set(document ".SH ${DOCUMENT_TITLE}\n${text}")
endif()

set(others "")
foreach(program programador programador-virtual programador-cli)
    if(NOT program STREQUAL PROGRAM)
        list(APPEND others ".BR ${program} (1)")
    endif()
endforeach()
list(JOIN others ",\n" others)

string(TOUPPER "${PROGRAM}" title)
file(WRITE "${OUT}"
".TH ${title} 1 \"\" \"programador ${VERSION}\" \"Órdenes de usuario\"\n"
".SH NOMBRE\n"
"${PROGRAM} \\- ${SUMMARY}\n"
".SH DESCRIPCIÓN\n"
".nf\n"
"${help}"
".fi\n"
"${document}"
".SH DERECHOS DE AUTOR\n"
".nf\n"
"${copyright}"
".fi\n"
".SH VÉASE TAMBIÉN\n"
"${others}\n"
".PP\n"
"El README del programa: uso del programador real, permisos de udev y ejemplos.\n")
