// Test support: every JSON Lines text orvexdecode-info writes in the suite is checked against
// schemas/info.schema.json, closed (a key the schema does not describe is an error) and with
// the schema's version.
#pragma once

#include <string>

// Why the schema cannot be checked here ("" when it can): python3-jsonschema is missing.
std::string info_schema_validator_missing();

// The validator's complaints about the lines, "" when each matches. Without the validator: ""
// outside CI (the test that checks the schema itself is skipped there), the reason in CI.
std::string info_schema_errors(const std::string& json_lines);
