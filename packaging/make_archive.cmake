# Makes the release archive of a build: runs CPack with CONFIG in a working
# folder of its own inside FOLDER, moves the archive out into FOLDER and removes
# the working folder, so that neither CPack's staging nor the metadata file
# (NAME.json) that its External generator writes beside every package, and
# needs to finish, stays behind.
#
#   cmake -D CONFIG=TREE/CPackConfig.cmake -D FOLDER=DIR -P make_archive.cmake
set(work ${FOLDER}/cpack)
file(REMOVE_RECURSE ${work})
execute_process(
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${CONFIG} -B ${work}
    OUTPUT_QUIET
    COMMAND_ERROR_IS_FATAL ANY)
file(GLOB archives ${work}/*.zip)
foreach(archive IN LISTS archives)
    get_filename_component(name ${archive} NAME)
    file(RENAME ${archive} ${FOLDER}/${name})
endforeach()
file(REMOVE_RECURSE ${work})
