// The RTF reader of the report writer's tests, built into these tests too.
#include "platform/zadevoz/tests/support/rtf_reader.cpp"
