#include "app/app_main.h"
int main() { return 0; }
