# Volarix, the flocking particle field, as a Maya module.
#
# Installing it is putting the folder that holds this file on
# MAYA_MODULE_PATH (in Maya.env or the environment). Maya then finds the
# module's folders beside this file under their default names:
#   plug-ins/  on MAYA_PLUG_IN_PATH: the plug-in (particleVolarix.so, .mll on Windows)
#   scripts/   on MAYA_SCRIPT_PATH: the attribute editor templates, the Volarix menu, userSetup.mel
#   icons/     on XBMLANGPATH: the outliner icons
# The module path "." is this file's folder, so the folder may be moved or
# copied anywhere, spaces in its path included.
+ MAYAVERSION:2022 PLATFORM:linux particleVolarix 2.0.5 .
+ MAYAVERSION:2022 PLATFORM:win64 particleVolarix 2.0.5 .
