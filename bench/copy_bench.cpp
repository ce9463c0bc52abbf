// drav-bench-copy SOURCE DESTINATION: one copyFile, for the benchmark to
// time against cp as a whole process, start-up included on both sides.
#include <stdio.h>

#include "files/file_copy.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: drav-bench-copy SOURCE DESTINATION\n");
    return 2;
  }
  return copyFile(argv[1], argv[2]) ? 0 : 1;
}
