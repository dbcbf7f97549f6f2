# Where `cmake --install` puts the Linux plug-ins and the host tool. Linux VST 2.4 hosts scan
# <prefix>/lib/vst (/usr/lib/vst, /usr/local/lib/vst) and ~/.vst, VST 3 hosts <prefix>/lib/vst3
# and ~/.vst3; the "user" preset installs into the latter, the default prefix into /usr/local.
if(WIN32)
  return()
endif()

set(QUORL_VST_INSTALL_DIR "lib/vst" CACHE STRING
    "Folder for the plug-in: relative to the install prefix, or absolute (the user preset's ~/.vst)")
set(QUORL_VST3_INSTALL_DIR "lib/vst3" CACHE STRING
    "Folder for the VST 3 bundle: relative to the install prefix, or absolute (~/.vst3)")
set(QUORL_BIN_INSTALL_DIR "bin" CACHE STRING "Folder for the host tool, relative to the prefix")

# A module, not a library to link against: no symlinks, no execute bits hosts do not need.
install(TARGETS Quorl
        LIBRARY DESTINATION ${QUORL_VST_INSTALL_DIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        COMPONENT plugin)
install(TARGETS Quorl_vst3
        LIBRARY DESTINATION ${QUORL_VST3_INSTALL_DIR}/Quorl.vst3/Contents/x86_64-linux
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        COMPONENT plugin)
install(FILES ${QUORL_VST3_BUNDLE}/Contents/Resources/moduleinfo.json
        DESTINATION ${QUORL_VST3_INSTALL_DIR}/Quorl.vst3/Contents/Resources
        COMPONENT plugin)
if(QUORL_BUILD_TOOLS)
  install(TARGETS vsthost RUNTIME DESTINATION ${QUORL_BIN_INSTALL_DIR} COMPONENT tools)
endif()
