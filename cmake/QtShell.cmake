# The Qt 6 desktop program (hourgate).
