# Release builds take the hardening flags Debian builds with (fortify, stack protector,
# relro, bindnow), so that the packages made from this tree are hardened as the archive's.
# Debug and sanitizer builds stay without them: fortify needs optimisation.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS AND NOT LUM_SANITIZE AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  # The build type chooses optimisation and debug information; paths stay as they are so that
  # the shared compiler cache serves every checkout.
  set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all reproducible=-fixfilepath,-fixdebugpath")
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${DPKG_BUILDFLAGS} --get ${kind} OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
    set(LUM_HARDENING_${kind} ${flags})
  endforeach()
  add_compile_options(${LUM_HARDENING_CPPFLAGS} ${LUM_HARDENING_CXXFLAGS})
  add_link_options(${LUM_HARDENING_LDFLAGS})
  message(STATUS "Hardening flags: ${LUM_HARDENING_CPPFLAGS} ${LUM_HARDENING_CXXFLAGS} ${LUM_HARDENING_LDFLAGS}")
endif()
