#include "dispatch/WindowState.h"
