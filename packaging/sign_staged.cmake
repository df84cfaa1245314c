# Run by cpack, when the release is signed, after it has put the files
# together and before it packs them: signs the programs, so that the archive
# and the setup program carry signed copies.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.scr"
                           "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.exe")
if(NOT programs)
  message(FATAL_ERROR "nothing to sign in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
execute_process(COMMAND bash "${CPACK_VELORA_SIGN_SCRIPT}" ${programs} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "signing the programs failed")
endif()
