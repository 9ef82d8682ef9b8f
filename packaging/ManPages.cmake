# programador_manpage(<program> <summary> [DOCUMENT <target> <title>]): the
# program's manual page, made at build time from its own --help and
# --version; DOCUMENT adds what <target> prints as a section <title>.
function(programador_manpage program summary)
    cmake_parse_arguments(PAGE "" "" "DOCUMENT" ${ARGN})
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${program}.1)
    set(texts COMMAND ${program} --help > ${page}.help
              COMMAND ${program} --version > ${page}.version)
    set(document "")
    if(PAGE_DOCUMENT)
        list(GET PAGE_DOCUMENT 0 printer)
        list(GET PAGE_DOCUMENT 1 title)
        list(APPEND texts COMMAND ${printer} > ${page}.document)
        set(document -DDOCUMENT=${page}.document "-DDOCUMENT_TITLE=${title}")
    endif()
    add_custom_command(
        OUTPUT ${page}.gz
        ${texts}
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=${program} -DVERSION=${PROJECT_VERSION}
                "-DSUMMARY=${summary}" -DHELP=${page}.help -DVERSION_TEXT=${page}.version
                ${document} -DOUT=${page} -P ${PROJECT_SOURCE_DIR}/packaging/manpage.cmake
        COMMAND gzip -9nf ${page}
        DEPENDS ${program} ${printer} ${PROJECT_SOURCE_DIR}/packaging/manpage.cmake
        VERBATIM)
    add_custom_target(${program}-manpage ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
