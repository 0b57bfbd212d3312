# Files installed beside the programs carry the project's one version number: each is written
# from its .in template with @PROJECT_VERSION@ (and @TELORAD_RELEASE_DATE@) filled in.
include(GNUInstallDirs)

# telorad_install_configured(TEMPLATE DESTINATION): TEMPLATE without its .in, configured into
# the build directory and installed under DESTINATION.
function(telorad_install_configured template destination)
    get_filename_component(name ${template} NAME_WLE)
    configure_file(${template} ${CMAKE_CURRENT_BINARY_DIR}/${name} @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name} DESTINATION ${destination})
endfunction()
