/* Carries resources only; the tests load it as data. */
int varnel_resource_only_module;
