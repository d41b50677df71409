#include "program_run.h"

int main(int argc, char** argv) {
  return quillo::ui::runProgram(argc, argv);
}
