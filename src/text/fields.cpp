#include "text/fields.h"
