// base must not see the entry above it.
#pragma once

#include "app/entry.h"
