#include <QApplication>
#include "toolkit/toolkit.h"
bool InitToolkit() { static int argc = 1; static char name[] = "quorvel"; static char* argv[] = {name, nullptr}; new QApplication(argc, argv); return true; }
