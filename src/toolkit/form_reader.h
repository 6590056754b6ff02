#pragma once
// Builds a form from its description: components by registered class name, properties by
// name, events bound to the form's methods by name.
#include "toolkit/classes.h"
#include "toolkit/form_description.h"

#include <string>

// Applies a parsed description to an existing root (the form) and creates its children.
void ReadForm(TComponent& root, const FormObject& description);
// Reads the RCDATA resource of the given name from the program and applies it.
void ReadFormFromResource(TComponent& root, const std::wstring& resourceName);
