#include <windows.h>

#include "app/win/StartUp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return qnv::app::startUp(); }
