# Writes a C++ source holding the SHA-256 of the compiled translation, so the
# program loads only the file this build produced (the toolkit's reader trusts
# its input). Run as: cmake -DQM=<file.qm> -DOUT=<file.cpp> -P translationdigest.cmake
file(SHA256 "${QM}" digest)
set(text "// Generated from ${QM} at build time; do not edit.\n")
string(APPEND text "#include \"translationcheck.h\"\n\n")
string(APPEND text "const char startup::kBuiltTranslationDigest[] = \"${digest}\";\n")
file(WRITE "${OUT}.tmp" "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.tmp" "${OUT}")
file(REMOVE "${OUT}.tmp")
