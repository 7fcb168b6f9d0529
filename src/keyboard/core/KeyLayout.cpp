// Placeholder until the key layout tables land.
