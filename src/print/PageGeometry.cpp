#include "PageGeometry.h"
