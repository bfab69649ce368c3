# Bad scene input: each script stops at the faulty line with status 1 and an
# error that names the file, the line and what is wrong, and no summary
# follows. The scripts are written into the build folder.
set(bad ${CMAKE_CURRENT_BINARY_DIR}/bad_input)
set(plugin "loadPlugin \"particleVolarix\";\ncreateNode particleVolarix -n swarm;\n")
file(WRITE ${bad}/unknown_node_type.mel "${plugin}createNode noSuchNodeType -n thing;\n")
file(WRITE ${bad}/unknown_attribute.mel "${plugin}setAttr swarm.noSuchAttribute 1;\n")
file(WRITE ${bad}/string_for_double.mel "${plugin}setAttr swarm.maximumSpeed -type \"string\" \"fast\";\n")
file(WRITE ${bad}/word_for_number.mel "${plugin}setAttr swarm.maximumSpeed fast;\n")
file(WRITE ${bad}/unknown_flag.mel "${plugin}particle -n flock -p 0 0 0 -bogusFlag 3;\n")
file(WRITE ${bad}/unknown_plugin_flag.mel "${plugin}select -r swarm;\nQF_VX_target -bogus;\n")
# The statement on line 3 never ends its string; nothing of the script runs.
file(WRITE ${bad}/syntax_error.mel "${plugin}setAttr swarm.maximumSpeed \"20;\nsetAttr swarm.maximumForce 40;\n")
file(WRITE ${bad}/two_numbers.obj "# a triangle with a short vertex\nv 0 0 0\nv 1 0 0\nv 0 1\nf 1 2 3\n")
file(WRITE ${bad}/short_vertex.mel "${plugin}file -import \"${bad}/two_numbers.obj\";\n")
file(WRITE ${bad}/missing_vertex.obj "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 3 7\n")
file(WRITE ${bad}/missing_vertex.mel "${plugin}file -import \"${bad}/missing_vertex.obj\";\n")
file(WRITE ${bad}/no_faces.obj "v 0 0 0\nv 1 0 0\nv 0 1 0\n")
file(WRITE ${bad}/no_faces.mel "${plugin}file -import \"${bad}/no_faces.obj\";\n")

function(vx_expect_bad_input name match)
  vx_expect_run(bad_input_${name} EXIT 1 MATCH "${match}" NOMATCH "particles  "
                ARGS run ${bad}/${name}.mel --frames 1:2 --quiet)
endfunction()

vx_expect_bad_input(unknown_node_type
  "unknown_node_type.mel line 3: createNode: Unknown object type: noSuchNodeType")
vx_expect_bad_input(unknown_attribute
  "unknown_attribute.mel line 3: setAttr: No object matches name: swarm.noSuchAttribute")
vx_expect_bad_input(string_for_double
  "string_for_double.mel line 3: setAttr: The attribute 'swarm.maximumSpeed' is of type doubleLinear, not string\\.")
vx_expect_bad_input(word_for_number
  "word_for_number.mel line 3: setAttr: Argument 2 expects a number, got \"fast\"\\.")
vx_expect_bad_input(unknown_flag
  "unknown_flag.mel line 3: particle: Invalid flag \"-bogusFlag\"\\.")
vx_expect_bad_input(unknown_plugin_flag
  "unknown_plugin_flag.mel line 4: QF_VX_target: \\(kInvalidParameter\\): Invalid flag: -bogus")
vx_expect_bad_input(syntax_error
  "syntax_error.mel line 3: Syntax error: unterminated string\\.")
vx_expect_bad_input(short_vertex
  "short_vertex.mel line 3: file: The OBJ file \"[^\"]*two_numbers.obj\" is malformed: line 4: a vertex takes 3 numbers \\(x y z\\), got 2\\.")
vx_expect_bad_input(missing_vertex
  "missing_vertex.mel line 3: file: The OBJ file \"[^\"]*missing_vertex.obj\" is malformed: line 5: the face refers to vertex 7, but 3 vertices come before it\\.")
vx_expect_bad_input(no_faces
  "no_faces.mel line 3: file: The OBJ file \"[^\"]*no_faces.obj\" holds no faces\\.")
