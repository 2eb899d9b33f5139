# cmake --install lays out the program folder under lib/vellumora with everything the program is
# installed with, a launcher in bin, a desktop entry and an icon.
include(GNUInstallDirs)
set(VELLUMORA_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/vellumora)
install(TARGETS vellumora RUNTIME DESTINATION ${VELLUMORA_INSTALL_DIR})
install(DIRECTORY ${VELLUMORA_PROGRAM_DIR}/
        DESTINATION ${VELLUMORA_INSTALL_DIR}
        USE_SOURCE_PERMISSIONS
        PATTERN "vellumora" EXCLUDE
        PATTERN "*.lock" EXCLUDE)
# The export tool's lock ships empty and readable by all: the installed folder is not writable by the
# family's accounts, and a lock file that exists can be locked for reading.
file(WRITE ${CMAKE_BINARY_DIR}/accessible.lock "")
install(FILES ${CMAKE_BINARY_DIR}/accessible.lock DESTINATION ${VELLUMORA_INSTALL_DIR}/NewUnloaded
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ../${VELLUMORA_INSTALL_DIR}/vellumora
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vellumora\" SYMBOLIC)")
install(FILES ${PROJECT_SOURCE_DIR}/resources/vellumora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELLUMORA_PROGRAM_DIR}/vellumora.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
