# The demo scenes in scenes/: each runs a few frames through volarix with a
# cache, prints the summary its particles and fields make, and reports no
# error or warning on the way. DemoScenesTest checks what they show.
set(scenes ${PROJECT_SOURCE_DIR}/scenes)
set(scene_out ${CMAKE_CURRENT_BINARY_DIR}/scene_out)

# vx_expect_scene(NAME PARTICLES SHAPES EVALUATIONS): frames 1 to 6 (five
# steps) of scenes/NAME.mel cached as pdc, one file per frame and shape.
function(vx_expect_scene name particles shapes evaluations)
  math(EXPR files "6 * ${shapes}")
  if(shapes EQUAL 1)
    set(shape_word "shape")
  else()
    set(shape_word "shapes")
  endif()
  vx_expect_run(scene_${name} EXIT 0
                MATCH "particles +${particles} in ${shapes} particle ${shape_word}.*frames +6 \\(1 to 6\\), 5 stepped.*\\(${evaluations} field evaluations\\).*cache +${files} pdc files"
                NOMATCH "Error:|Warning:"
                ARGS run ${scenes}/${name}.mel --frames 1:6 --cache ${scene_out}/${name} --quiet)
endfunction()

vx_expect_scene(seek 600 1 5)
vx_expect_scene(flee 800 1 5)
vx_expect_scene(wander 900 3 15)
vx_expect_scene(pathfollow 700 1 5)
vx_expect_scene(modifiers 600 1 5)
vx_expect_scene(obstacles 1000 1 5)
vx_expect_scene(parameters 800 1 5)
vx_expect_scene(demo 2000 1 5)
vx_expect_scene(volumes 300 1 5)

# Without --frames a scene runs its own playback range: the demo's ten
# seconds, drawn with every kind of locator in view.
vx_expect_run(scene_demo_playback_range EXIT 0 MATCH "frames +240 \\(1 to 240\\), 239 stepped.*playblast +240 pictures"
              ARGS run ${scenes}/demo.mel --playblast ${scene_out}/demo_pictures --size 64x36 --quiet)

# In-process checks of what the scenes show.
vx_add_test(vx_test_demo_scenes
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DemoScenesTest.cpp
  LIBS vxapp)
add_dependencies(vx_test_demo_scenes particleVolarix)
target_compile_definitions(vx_test_demo_scenes PRIVATE VX_SCENES_DIR="${scenes}")
