# Run by CPack after staging the installation, before it builds the package. The program and its Data/ and
# Help/ folders stay together under the package prefix (the program finds Data/ beside its own folder);
# the desktop entry, icons and MIME types move to /usr/share, where desktops look for them, and
# /usr/bin/vesplot becomes a relative link to the program, which resolves it to its real folder.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(prefix "${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${stage}${prefix}/share")
    message(FATAL_ERROR "Nothing staged under ${stage}${prefix}/share")
endif()
file(MAKE_DIRECTORY "${stage}/usr/share" "${stage}/usr/bin")
file(GLOB shared RELATIVE "${stage}${prefix}/share" "${stage}${prefix}/share/*")
foreach(entry IN LISTS shared)
    file(RENAME "${stage}${prefix}/share/${entry}" "${stage}/usr/share/${entry}")
endforeach()
file(REMOVE_RECURSE "${stage}${prefix}/share")
file(RELATIVE_PATH target "/usr/bin" "${prefix}/bin/vesplot")
file(CREATE_LINK "${target}" "${stage}/usr/bin/vesplot" SYMBOLIC)
