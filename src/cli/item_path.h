// The path language of volumist-cli lives with the catalog (catalog/item_path.h), where reports of
// changes use it too; the commands include it from here.
#pragma once

#include "catalog/item_path.h"
