// Links the module of the name card into a program that has it built in (the tests and tools).
#include <QtPlugin>

Q_IMPORT_PLUGIN(CardModulePlugin)
