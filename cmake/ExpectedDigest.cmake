# veltrix_expected_digest(<var>): settles EXPECTED_JAR_MD5 from the cache
# (or from the archive VELTRIX_JAR names) and refuses anything that is not
# 32 lowercase hexadecimal digits. Also runs as a script (cmake -P) so a
# test can check the refusal without configuring the whole project.
function(veltrix_expected_digest var)
  set(digest "${EXPECTED_JAR_MD5}")
  if(VELTRIX_JAR)
    if(NOT EXISTS "${VELTRIX_JAR}")
      message(FATAL_ERROR "VELTRIX_JAR names no file: ${VELTRIX_JAR}")
    endif()
    file(MD5 "${VELTRIX_JAR}" digest)
  endif()
  string(LENGTH "${digest}" length)
  if(NOT length EQUAL 32 OR NOT digest MATCHES "^[0-9a-f]+$")
    message(FATAL_ERROR "EXPECTED_JAR_MD5 must be 32 lowercase hexadecimal digits, got '${digest}'")
  endif()
  set(${var} "${digest}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  veltrix_expected_digest(digest)
  message(STATUS "${digest}")
endif()
