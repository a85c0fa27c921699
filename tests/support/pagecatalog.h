#pragma once

#include "config/catalog.h"

class PageControl;

// The catalog read from the window's own pages, as they are built and shown: what the
// catalog from the forms' tables is held to.
config::Catalog catalogOfPages(const PageControl &pages);
