// Replaced by the report module.
