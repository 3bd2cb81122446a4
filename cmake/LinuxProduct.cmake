# A product on Linux: the engine ris-saver under the product's name in the
# folder where Debian's XScreenSaver looks for hacks, its archive in the
# products' data folder, and the description XScreenSaver's settings dialog
# reads, made from the archive by the program itself. CPack makes a Debian
# package of it.
include(GNUInstallDirs)

# ris_linux_product(NAME ARCHIVE_FILE ARCHIVE_TARGET)
function(ris_linux_product name archive archive_target)
  # The description comes from the program as installed: under the
  # product's name, its archive beside it.
  set(staged "${CMAKE_BINARY_DIR}/xscreensaver")
  set(xml "${staged}/${name}.xml")
  add_custom_command(
    OUTPUT "${xml}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${staged}"
    COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:ris-saver>" "${staged}/${name}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${archive}" "${staged}/${name}.dat"
    COMMAND "${staged}/${name}" --xml > "${xml}"
    DEPENDS ris-saver "${archive}" ${archive_target}
    COMMENT "Describing ${name} for XScreenSaver"
    VERBATIM)
  add_custom_target(${name}_xscreensaver ALL DEPENDS "${xml}")

  install(PROGRAMS "$<TARGET_FILE:ris-saver>" DESTINATION "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver"
          RENAME "${name}")
  install(FILES "${archive}" DESTINATION "${CMAKE_INSTALL_DATADIR}/ris-saver" RENAME "${name}.dat")
  install(FILES "${xml}" DESTINATION "${CMAKE_INSTALL_DATADIR}/xscreensaver/config")
endfunction()
