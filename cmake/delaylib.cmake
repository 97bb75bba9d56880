# Makes a delay-load import library: the DLL is loaded at the first call of one of its
# functions instead of at start-up. Run with cmake -P and
#   -DDLL=gdiplus -DIMPORT_LIB=<its import library> -DNM=<nm> -DDLLTOOL=<dlltool> -DOUT=<library>
# The functions are those of the ordinary import library.
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${IMPORT_LIB}")
endif()
string(REGEX MATCHALL " I __imp__[^\r\n]+" imports "${symbols}")
set(def "LIBRARY ${DLL}.dll\nEXPORTS\n")
foreach(i ${imports})
  string(REPLACE " I __imp__" "" name "${i}")
  string(APPEND def "${name}\n")
endforeach()
get_filename_component(dir ${OUT} DIRECTORY)
file(WRITE ${dir}/${DLL}.def "${def}")
execute_process(COMMAND ${DLLTOOL} -k --input-def ${dir}/${DLL}.def --dllname ${DLL}.dll --output-delaylib ${OUT}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dlltool could not make ${OUT}")
endif()
