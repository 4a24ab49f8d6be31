// Link target ID list (placeholder until the module lands).
