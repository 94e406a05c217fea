# pos-host as a user runs it, on the bundled examples: generate, check,
# import-dxf, decode and list, with files in folders named in Chinese and a
# configuration with CRLF line ends. Products are compared byte for byte
# with the subprograms in the tree, which the Linux build makes.
#
#   cmake -DPOS_HOST=... [-DEMULATOR=a|b|c] -DSOURCE_DIR=... -DTARGET_SOURCE_DIR=...
#         -DWORK_DIR=... -P smoke.cmake
#
# EMULATOR runs the program (wine64 for a Windows build), its words joined
# by "|"; TARGET_SOURCE_DIR is the source tree as the program sees it.
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" emulator "${EMULATOR}")
set(work ${WORK_DIR}/smoke)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/图纸 ${work}/项目)
set(examples ${TARGET_SOURCE_DIR}/examples)

# Runs pos-host in ${work}; fails unless it exits with status. Standard
# output goes to the file out, standard error into the variable err.
function(run status out)
    execute_process(COMMAND ${emulator} ${POS_HOST} ${ARGN}
        WORKING_DIRECTORY ${work}
        RESULT_VARIABLE got OUTPUT_FILE ${work}/${out} ERROR_VARIABLE message)
    if(NOT got STREQUAL status)
        message(FATAL_ERROR "pos-host ${ARGN}: exit status ${got}, expected ${status}\n${message}")
    endif()
    set(err "${message}" PARENT_SCOPE)
endfunction()

function(same actual expected)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${actual} ${expected}
        RESULT_VARIABLE differ)
    if(differ)
        message(FATAL_ERROR "${actual} differs from ${expected}")
    endif()
endfunction()

function(text_is file expected)
    file(READ ${file} text)
    if(NOT text STREQUAL expected)
        message(FATAL_ERROR "${file}: \"${text}\", expected \"${expected}\"")
    endif()
endfunction()

# The subprogram on standard output, in both languages: line feeds only.
run(0 en.il generate ${examples}/worked_example.json --lang en)
same(${work}/en.il ${SOURCE_DIR}/examples/worked_example.il)
run(0 zh.il generate ${examples}/worked_example.json --lang zh)
same(${work}/zh.il ${SOURCE_DIR}/testdata/pou/worked_example_zh.il)

# A configuration with CRLF line ends, in a Chinese folder, reads the same.
file(READ ${SOURCE_DIR}/examples/worked_example.json json)
string(REPLACE "\n" "\r\n" json "${json}")
file(WRITE ${work}/项目/配置.json "${json}")
run(0 check.txt check 项目/配置.json --lang en)
text_is(${work}/check.txt "项目/配置.json: no problem found\n")
run(0 none generate 项目/配置.json -o 项目/子程序.il --lang zh)
same(${work}/项目/子程序.il ${SOURCE_DIR}/testdata/pou/worked_example_zh.il)

# A drawing in a Chinese folder, imported into one; the configuration it
# gives generates a subprogram.
file(COPY_FILE ${SOURCE_DIR}/testdata/table/line_and_arcs.dxf ${work}/图纸/线与弧.dxf)
run(0 none import-dxf 图纸/线与弧.dxf -o 项目/导入.json --lang zh)
if(NOT err MATCHES "项目/导入.json")
    message(FATAL_ERROR "import-dxf names no output: ${err}")
endif()
run(0 imported.il generate 项目/导入.json)
file(SIZE ${work}/imported.il size)
if(size EQUAL 0)
    message(FATAL_ERROR "generate printed nothing for the imported drawing")
endif()

# The subprogram decoded and generated again is the same text.
run(0 none decode ${examples}/worked_example.il -o 项目/解码.json)
run(0 again.il generate 项目/解码.json --lang en)
same(${work}/again.il ${SOURCE_DIR}/examples/worked_example.il)

run(0 list.txt list ${examples}/project.json)
text_is(${work}/list.txt "Main\n")

# Refusals: the message in Chinese names the file as typed; a wrong command
# line exits with 2.
run(1 none check 项目/无.json --lang zh)
if(NOT err STREQUAL "项目/无.json: 无法打开文件：文件或目录不存在\n")
    message(FATAL_ERROR "unexpected message: \"${err}\"")
endif()
run(2 none frobnicate)
# A wizard library that cannot be loaded is refused with the reason, named as
# typed (on Windows through LoadLibraryW).
run(1 none new --plugin 向导/无.so --lang zh)
if(NOT err MATCHES "^pos-host: .*向导/无.so")
    message(FATAL_ERROR "unexpected message: \"${err}\"")
endif()
