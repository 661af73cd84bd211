CREATE TABLE customers (
  id           INTEGER PRIMARY KEY,
  name         VARCHAR(40) NOT NULL,
  city         VARCHAR(30),
  credit_limit INTEGER
);
CREATE INDEX customers_name ON customers (name);
INSERT INTO customers (name, city, credit_limit) VALUES
  ('Weber',    'Berlin',  1500),
  ('Schulz',   'Bern',    3000),
  ('Rossi',    'Roma',     800),
  ('Weber',    'Hamburg', 2200),
  ('Bernardi', 'Milano',  1200),
  ('Webster',  'London',   500);
