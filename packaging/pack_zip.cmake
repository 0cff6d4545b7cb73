# Packs a release archive for CPack's External generator, from the files that
# CPack has staged: CPACK_PACKAGE_FILE_NAME.zip holds CPACK_AMBERTAP_ARCHIVE_FILES
# in the order given, not in the order the file system lists the stage in, so
# that the archive is the same bytes on every file system. Every entry lies at
# the top, as Windows' Extract All unpacks into a folder of the archive's name
# already. The entries' times are SOURCE_DATE_EPOCH's.
file(GLOB staged RELATIVE ${CPACK_TEMPORARY_DIRECTORY} ${CPACK_TEMPORARY_DIRECTORY}/*)
list(SORT staged)
set(listed ${CPACK_AMBERTAP_ARCHIVE_FILES})
list(SORT listed)
# A file installed but not listed would be left out without a word.
if(NOT staged STREQUAL listed)
    message(FATAL_ERROR "The archive lists ${listed}, but the build installs ${staged}")
endif()

set(archive ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip)
# A zip entry's date and time are written in local time: written in UTC, they
# are the same for every builder, whatever the builder's time zone.
set(ENV{TZ} UTC0)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${archive} --format=zip -- ${CPACK_AMBERTAP_ARCHIVE_FILES}
    WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
    COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_EXTERNAL_BUILT_PACKAGES ${archive})
