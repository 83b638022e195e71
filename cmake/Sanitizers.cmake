# STILLCUTTER_SANITIZE=address,undefined or thread: applied to every target of the build.
if(STILLCUTTER_SANITIZE)
  set(_flags "-fsanitize=${STILLCUTTER_SANITIZE}" -fno-omit-frame-pointer)
  if(STILLCUTTER_SANITIZE MATCHES "undefined")
    list(APPEND _flags -fno-sanitize-recover=undefined)
  endif()
  add_compile_options(${_flags})
  add_link_options("-fsanitize=${STILLCUTTER_SANITIZE}")
endif()
