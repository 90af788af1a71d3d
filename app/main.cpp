#include "app/shell.h"

int main() {
  StartUp();
  RunEventLoop();
}
