#include "quillo/app/task_slot.h"
