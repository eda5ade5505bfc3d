#pragma once
// <windows.h> without the A/W macros that share their names with methods of
// the platform interfaces (FileServices::DeleteFile, UserDialogs::MessageBox,
// ..., Mani::Yield). Win32 code includes this instead of <windows.h> and calls the A
// functions by their full names.
#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef GetEnvironmentVariable
#undef MessageBox
#undef MoveFile
#undef ReplaceFile
#undef Yield
