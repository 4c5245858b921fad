#include "app/app_main.h"
