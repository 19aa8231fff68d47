# The help file, its window and the banner picture. Included from src/Uflash8/CMakeLists.txt.

# flash410_ship_help(<target>): puts VNLflash.HLP beside the program after every link, since the
# program looks for its help text in its own folder. Needs no Qt, so any program may ship it.
function(flash410_ship_help target)
    set(help_file "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VNLflash.HLP")
    # An edit of the help text alone relinks the program, and so copies the file again.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${help_file}")
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different "${help_file}" "$<TARGET_FILE_DIR:${target}>/VNLflash.HLP"
        VERBATIM)
endfunction()

if(TARGET Qt6::Widgets)
    add_library(flash410_help STATIC
        ${CMAKE_CURRENT_LIST_DIR}/banner.cpp
        ${CMAKE_CURRENT_LIST_DIR}/help_file.cpp
        ${CMAKE_CURRENT_LIST_DIR}/help_window.cpp
    )
    target_include_directories(flash410_help PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_compile_features(flash410_help PUBLIC cxx_std_20)
    target_link_libraries(flash410_help PUBLIC Qt6::Widgets)
endif()
