#pragma once
// Resource numbers of the registrar scripts the DLL carries (resource type "REGISTRY"), shared
// by the resource script and the code that reads them. Plain macros: the resource compiler reads
// this file too.

#define ORRA_APPLICATION_SCRIPT_RESOURCE 101
#define ORRA_CLASS_SCRIPT_RESOURCE 102
