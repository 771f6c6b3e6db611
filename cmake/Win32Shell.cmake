# The Win32 desktop program (hourgate.exe).
