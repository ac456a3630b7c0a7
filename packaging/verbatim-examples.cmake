# SPDX-License-Identifier: GPL-3.0-or-later
# help2man runs the lines of a program's "Examples:" section together into
# one paragraph, which mangles an example file. This writes a help2man
# include file that puts the section in the manual page line by line, as
# --help shows it; for a program without one there is no file.
#
#   cmake -DPROGRAM=path/to/program -DOUTPUT=examples.h2m -P verbatim-examples.cmake

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
string(FIND "${help}" "\nExamples:\n" at)
if(at EQUAL -1)
  file(REMOVE ${OUTPUT})
  return()
endif()
math(EXPR at "${at} + 11")
string(SUBSTRING "${help}" ${at} -1 examples)
# roff: backslashes and minus signs as themselves, a dot or quote that
# starts a line as text.
string(REPLACE "\\" "\\e" examples "${examples}")
string(REPLACE "-" "\\-" examples "${examples}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" examples "${examples}")
file(WRITE ${OUTPUT} "[=EXAMPLES]\n.nf\n${examples}.fi\n")
