// The one application object of kestrin.exe.
#include "Kestrin.h"

CKestrinApp theApp;
