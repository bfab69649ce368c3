#pragma once
/// \file MGLdefinitions.h
/// The OpenGL scalar types that Maya's manipulator interfaces name. The
/// host draws no OpenGL; manipulator handles are plain numbers.

typedef unsigned int MGLenum;
typedef unsigned char MGLboolean;
typedef int MGLint;
typedef unsigned int MGLuint;
typedef float MGLfloat;
typedef double MGLdouble;
