# Copies the shipped data files next to the built programs, but only those that are
# missing there: the databases and the call log in that folder are the user's own,
# so a rebuild must never overwrite them.
file(GLOB_RECURSE RINGSEER_DATA_FILES RELATIVE ${CMAKE_SOURCE_DIR}/data
     CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
add_custom_target(ship_data ALL
    COMMAND ${CMAKE_COMMAND}
        -DSOURCE=${CMAKE_SOURCE_DIR}/data
        -DDEST=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
        -P ${CMAKE_SOURCE_DIR}/cmake/CopyMissing.cmake
    COMMENT "Placing shipped data files where missing")
