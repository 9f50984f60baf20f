# Man pages made by help2man from each program's own --help and --version, so that they list
# every option the program has; man/NAME.h2m adds the sections --help does not hold.
find_program(TV_HELP2MAN help2man REQUIRED)
find_program(TV_GZIP gzip REQUIRED)

# help2man dates the page by the release, not by the day of the build.
execute_process(COMMAND date -u -d "${TV_RELEASE_DATE}" +%s
    OUTPUT_VARIABLE tv_release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(TV_MAN_PAGES)
function(tv_man_page program summary)
    set(include ${CMAKE_CURRENT_SOURCE_DIR}/man/${program}.h2m)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/man)
    # Run through PATH, so the synopsis shows the program's name rather than the build folder.
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env "PATH=$<TARGET_FILE_DIR:${program}>:$ENV{PATH}"
            QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            SOURCE_DATE_EPOCH=${tv_release_epoch}
            ${TV_HELP2MAN} --no-info --section=1 "--name=${summary}" --include=${include}
            --output=${page} ${program}
        COMMAND ${TV_GZIP} -9nf ${page}
        DEPENDS ${program} ${include}
        COMMENT "Making the man page of ${program}")
    set(TV_MAN_PAGES ${TV_MAN_PAGES} ${page}.gz PARENT_SCOPE)
endfunction()

tv_man_page(tallyvane "count how often each word occurs on web pages, in a window")
tv_man_page(tallyvane-count "count how often each word occurs on web pages")
add_custom_target(tv_manpages ALL DEPENDS ${TV_MAN_PAGES})
install(FILES ${TV_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
