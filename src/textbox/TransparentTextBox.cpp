// Placeholder until the transparent text box lands.
