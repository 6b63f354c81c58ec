// Everything the shared runtime offers, in one include.
#pragma once

#include "assertion.h"
#include "basic.h"
#include "context.h"
#include "files.h"
#include "print.h"
#include "type_info.h"
