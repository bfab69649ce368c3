+ MAYAVERSION:2022 PLATFORM:linux particleVolarix 2.0.5 .
+ MAYAVERSION:2022 PLATFORM:win64 particleVolarix 2.0.5 .
