// A front-end file that reaches past the controller into the viewer: refused.
#include "viewer/main.h"
