# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian builds its own packages with: bounds-checked libc calls
# in optimised builds (the check needs the optimiser), stack protection, and
# relocations resolved and made read-only before the program starts.
add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
add_compile_options(-fstack-protector-strong)
add_link_options(LINKER:-z,relro LINKER:-z,now)
